// Writing a file so that a crash, a power cut or a full drive never leaves it
// empty or cut short: the old contents stay until the new ones are complete.
#pragma once

#include <cstdint>
#include <string>

// Writes `size` bytes as the whole of `target`: in full under a new name in
// its folder (WritePrefix form, which the next run sweeps away if this one is
// killed), then moved over the target in one step (MoveOverTarget). `stamp`,
// when given, becomes the file's time through the same handle. `flush`
// pushes the bytes to the disk before the move, so that a power cut after it
// finds them there. A target that is in use, read-only or a folder refuses
// the move. False when anything fails: the target is as it was, the new file
// is gone, and GetLastError holds the system's reason.
bool WriteWholeFile(const std::string& target, const void* data, uint32_t size,
                    const double* stamp = nullptr, bool flush = true);
