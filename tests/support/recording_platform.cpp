#include "recording_platform.h"
