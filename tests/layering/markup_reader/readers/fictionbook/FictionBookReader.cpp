// A reader that takes the writers' mark-up: the layering check refuses it.
#include "writers/Markup.h"
