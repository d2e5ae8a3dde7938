// (being written)
#include "real_messages.h"
