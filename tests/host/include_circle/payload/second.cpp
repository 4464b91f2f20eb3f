#include "payload/second.h"

#include "payload/third.h"
