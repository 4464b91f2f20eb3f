// The payload catalogue: the whole payload inflated once into memory and
// indexed, one TAttachedFile per stored file. Every file the setup writes
// comes straight out of this buffer. The catalogue also holds the
// installation plan: six per-component lists of planned copies and the
// planned files of the shared data folder.
#pragma once

#include "payload/components.h"
#include "payload/payload_format.h"
#include "payload/write_failure.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct TAttachedFile {
    std::string Name;
    int32_t Size = 0;
    double Date = 0; // bit for bit as stored
    int32_t Offset = 0;
};

// One planned copy. Logged freezes whether the log was suppressed when the
// copy was planned, so that the install thread writes it the same way.
struct TFileToInstall {
    const TAttachedFile* Source; // an entry of the catalogue, not owned
    std::string Target;          // full path of the file to write
    bool Logged;
};

// What planning does with a file already at the target.
enum TOverwriteMode : int {
    KeepExisting = 0,     // leave it; the entry is not planned
    ReplaceIfChanged = 1, // leave it if its DOS-resolution time equals the entry's stamp
    AlwaysReplace = 2,    // replace it without looking
    // The user's own file (the user dictionary): left alone even when
    // ForceReplace is set, and still named in PublicFiles, marked as
    // KeepExisting, as a file of this installation.
    KeepUsersFile = 3,
};

class TAttachedFiles {
  public:
    TAttachedFiles() = default;
    // Removes the program's leftover temporary files (CleanTempFiles).
    ~TAttachedFiles();
    TAttachedFiles(const TAttachedFiles&) = delete;
    TAttachedFiles& operator=(const TAttachedFiles&) = delete;

    // Finds, inflates and indexes the "FILES" resource of the program's own
    // module. On failure `error` says why, in words for the user. `watch`,
    // if given, follows the inflating from another thread and may stop it.
    bool LoadFromResource(std::string& error, payload::InflateWatch* watch = nullptr);
    // The same from bytes already in memory (a zlib stream), the inflated
    // bytes held in `memory` (ReservedMemory unless a test says otherwise).
    bool LoadFromBytes(const uint8_t* data, uint32_t size, std::string& error,
                       const payload::Memory* memory = nullptr,
                       payload::InflateWatch* watch = nullptr);
    // After a load that failed for want of memory: the bytes it asked for and
    // could not get; 0 after any other load.
    uint64_t MemoryNeeded() const { return MemoryNeeded_; }

    const uint8_t* Buffer() const { return Buffer_.get(); }
    int32_t BufferSize() const { return BufferSize_; }
    const std::vector<TAttachedFile>& Files() const { return Files_; }
    // Bytes of one entry, inside Buffer().
    const uint8_t* Data(const TAttachedFile& f) const { return Buffer_.get() + f.Offset; }
    // The last entry of that name (SameName), or null.
    const TAttachedFile* FindFile(const std::string& name) const;

    // The plan. Filled on the wizard's thread before the install thread
    // starts, read-only while it runs.
    std::vector<TFileToInstall> InstallLists[ComponentCount]; // index = component number
    std::vector<std::string> PublicFiles; // targets in the shared data folder, "\t!" = KeepExisting
    // The shared data folder of this installation, with a trailing
    // backslash: the one of every user unless the plan names another.
    std::string PublicFolder;
    bool ForceReplace = false; // plan every copy as AlwaysReplace

    // Plans every entry the pattern selects into `folder` (joined with the
    // entry's name) for the component; a file pattern plans only the first
    // entry of that name. True if anything was planned.
    bool PlanFiles(const std::string& pattern, const std::string& folder, int component, int mode);
    // The same with the complete target path given instead of a folder.
    bool PlanFileTo(const std::string& pattern, const std::string& target, int component, int mode);
    void ClearInstallList(int component);
    // Sum of the sizes of all planned copies; the unit of the progress.
    int32_t TotalInstallSize() const;

    // Writes an entry (or, when `entry` is null, the last one named `name`)
    // to `target` with its folders, bytes, time stamp and log line. A failed
    // write asks `ask` what to do, until it says Abort (false) or Ignore.
    // `written`, when given, tells whether the bytes were placed (not Ignore).
    bool ExtractEntry(const TAttachedFile* entry, const std::string& name,
                      const std::string& target, const TWriteFailureAsker& ask,
                      bool* written = nullptr);

  private:
    bool Plan(const std::string& pattern, const std::string& place, bool exactTarget, int component,
              int mode);
    payload::Buffer Buffer_;
    int32_t BufferSize_ = 0;
    uint64_t MemoryNeeded_ = 0;
    std::vector<TAttachedFile> Files_;
    // Folders already cleared of leftover partial writes in this run.
    std::set<std::string> SweptFolders_;
};

// Gives a read-only view of a resource of the program's own module.
bool LoadPayloadResource(const char* name, const char* type, const uint8_t*& data, uint32_t& size);

// The one catalogue of the run, set once it is complete (CatalogueLoading)
// and null until then.
extern TAttachedFiles* Catalogue;
