// Memory for the inflated payload: address space reserved up front for what
// the stream may grow to, pages committed only as they are needed. Growing
// within the reservation neither moves nor copies the bytes, so a large
// product is never held twice while it is inflated, and the memory asked for
// is what the payload takes.
#pragma once

#include "payload/payload_format.h"

extern const payload::Memory ReservedMemory;
