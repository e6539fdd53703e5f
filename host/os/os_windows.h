// What the Windows files of this room share among themselves; not for the rest of the program.
#pragma once

#include <string>

namespace plexaro {

// The system's message for a GetLastError or WSAGetLastError code, in UTF-8, without its
// closing full stop; "error N" when the system has none.
std::string WindowsErrorText(unsigned long error);

}  // namespace plexaro
