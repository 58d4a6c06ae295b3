#include "readers/write/WriteReader.h"
