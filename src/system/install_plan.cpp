#include "system/install_plan.h"

#include "base/paths.h"
#include "payload/file_time.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "payload/safe_write.h"
#include "system/data_folders.h"
#include "system/old_clip_images.h"

namespace {
// Last-run versions below these get the clip library installed anyway, and
// their old images removed.
constexpr int32_t kClipLibraryForced = 20004000;
constexpr int32_t kOldClipImages = 30000000;

// Plans a row whose folder is a data folder, asked for (and so created)
// right before. Without a data folder the row is left out: its targets
// would be relative to the current folder.
void PlanIntoDataFolder(TAttachedFiles& catalogue, const char* pattern, TDataFolderKind kind,
                        const TInstallPlanInput& input, int component, int mode) {
    const std::string folder = DataFolder(kind, input.Target);
    if (!folder.empty()) catalogue.PlanFiles(pattern, folder, component, mode);
}
} // namespace

double BuildInstallPlan(TAttachedFiles& catalogue, const TInstallPlanInput& input) {
    for (int component = 0; component < ComponentCount; ++component)
        catalogue.ClearInstallList(component);
    catalogue.PublicFiles.clear();
    const std::string& dest = input.Target.DestDir;
    const bool portable = input.Target.Portable;
    catalogue.PublicFolder =
        portable ? std::string() : DataFolderPath(TDataFolderKind::Public, input.Target);
    // Not portable: every copy replaces what is there; the table's modes
    // still decide the marks of the shared files.
    catalogue.ForceReplace = !portable;
    const TComponentSet chosen = input.Components;
    using K = TDataFolderKind;

    catalogue.PlanFiles("kel.exe", dest, kProgram, ReplaceIfChanged);
    catalogue.PlanFiles("License.txt", dest, kProgram, ReplaceIfChanged);

    if (chosen.Has(kSpellchecker)) {
        // The spellchecker files are shared and left out of the log.
        SuppressLog();
        PlanIntoDataFolder(catalogue, "English (American).asc", K::Spellcheck, input, kSpellchecker,
                           KeepExisting);
        PlanIntoDataFolder(catalogue, "English (American).cache", K::Spellcheck, input,
                           kSpellchecker, KeepExisting);
        PlanIntoDataFolder(catalogue, "English (British).asc", K::Spellcheck, input, kSpellchecker,
                           KeepExisting);
        // The British cache starts as a copy of the American one.
        const std::string spellcheck = DataFolder(K::Spellcheck, input.Target);
        if (!spellcheck.empty())
            catalogue.PlanFileTo("English (American).cache", spellcheck + "English (British).cache",
                                 kSpellchecker, KeepExisting);
        PlanIntoDataFolder(catalogue, "english.zlx", K::Spellcheck, input, kSpellchecker,
                           ReplaceIfChanged);
        PlanIntoDataFolder(catalogue, "us.zlx", K::Spellcheck, input, kSpellchecker,
                           ReplaceIfChanged);
        PlanIntoDataFolder(catalogue, "uk.zlx", K::Spellcheck, input, kSpellchecker,
                           ReplaceIfChanged);
        // The user dictionary holds the words the user added: an existing one
        // is kept on every kind of installation.
        PlanIntoDataFolder(catalogue, "userdicen.tlx", K::Spellcheck, input, kSpellchecker,
                           KeepUsersFile);
        ResumeLog();
    }

    if (chosen.Has(kHyphenation))
        catalogue.PlanFiles("Hyphenation.dat", dest, kHyphenation, ReplaceIfChanged);

    SuppressLog();
    if (chosen.Has(kTemplates))
        PlanIntoDataFolder(catalogue, "Templates\\", K::Public, input, kTemplates, KeepExisting);
    if (chosen.Has(kClipLibrary) || input.LastRunVersion < kClipLibraryForced) {
        PlanIntoDataFolder(catalogue, "Clip Library\\", K::Public, input, kClipLibrary,
                           KeepExisting);
        if (input.LastRunVersion < kOldClipImages) RemoveOldClipImages(dest, portable);
    }
    ResumeLog();

    if (chosen.Has(kSoundScheme))
        PlanIntoDataFolder(catalogue, "Basic.asn", K::Public, input, kSoundScheme,
                           ReplaceIfChanged);

    if (portable) return 0;
    const double stamp = LocalNow();
    const std::string hidden = DataFolder(K::Hidden, input.Target);
    if (!hidden.empty()) WriteWholeFile(JoinPath(hidden, "install_stamp"), &stamp, sizeof stamp);
    return stamp;
}
