// Plexaro's debugger in VS Code: starts `plexaro --dap` for every session of the `plexaro`
// debug type. Everything else is the adapter's; any other editor speaking the debug adapter
// protocol runs the same command.
const vscode = require('vscode');

function activate(context) {
    context.subscriptions.push(vscode.debug.registerDebugAdapterDescriptorFactory('plexaro', {
        createDebugAdapterDescriptor() {
            const program = vscode.workspace.getConfiguration('plexaro').get('executable') || 'plexaro';
            return new vscode.DebugAdapterExecutable(program, ['--dap']);
        },
    }));
}

function deactivate() {}

module.exports = { activate, deactivate };
