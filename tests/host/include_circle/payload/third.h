#pragma once

#include "payload/first.h"
