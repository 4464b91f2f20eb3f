// What a link's reparse data says it stands for; free of windows.h, so
// that it builds and is tested natively too.
#pragma once

#include <cstddef>

// Whether `data` (the reparse data of an item, as the file system hands it
// out) is that of a volume mounted in a folder: a mount point whose target
// is a volume's own name ("\??\Volume{...}\"). Only administrators can
// mount a volume; a junction (a mount point whose target is a folder) or a
// symbolic link can be made by anyone who may write the folder it lies in.
bool IsVolumeMountData(const unsigned char* data, size_t size);
