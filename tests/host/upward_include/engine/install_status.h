// Stands for an engine header in the tree the include-floor check rejects.
#pragma once
