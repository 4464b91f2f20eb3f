// Stands for a wizard header in the tree the include-floor check rejects.
#pragma once
