// sylvatone snapshot: the editor drawn off-screen into a PNG.
#pragma once

class ArgList;

// snapshot OUT.png [--program N|NAME] [--set NAME=VALUE]...
int snapshotCommand(ArgList& args);
