// Includes nothing itself: its source file closes the circle.
#pragma once
