// Music and sound effects. Music plays on tone channels 0 (melody) and 1 (bass); effects
// use tone 2 and the noise channel, so they never cut into the tune.
#ifndef DEMO_SOUND_H
#define DEMO_SOUND_H

enum { SONG_TITLE, SONG_GAME, SONG_GAME_OVER };
enum { SFX_START, SFX_COLLECT, SFX_HIT, SFX_LEVEL };

void sound_init(void);
void sound_play(unsigned char song);
void sound_effect(unsigned char effect);
void sound_frame(void);    // once per frame: advances the music and the effects
void sound_silence(void);  // all four channels quiet; the next sound_frame resumes

#endif
