// The six factory programs, voiced for acoustic sources.
#pragma once

#include "engine/ProgramRecord.h"

// All six programs with every one of the 42 values filled.
const ProgramRecord* factoryPrograms();
