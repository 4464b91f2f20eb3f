#include "system/uninstall_entry.h"

#include "base/paths.h"
#include "base/product_names.h"
#include "payload/disk_space.h"
#include "system/registry.h"

void WriteUninstallEntry(TRegistry& registry, const std::string& destDir, bool forEveryone) {
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!forEveryone || !registry.OpenKey(kUninstallKey)) {
        // A standard user may not write there; the list of installed
        // programs also shows the entries of the user's own key.
        registry.SetRootKey(HKEY_CURRENT_USER);
        if (!registry.OpenKey(kUninstallKey)) return;
    }
    const std::string program = JoinPath(destDir, "kel.exe");
    registry.WriteString("DisplayIcon", program);
    registry.WriteString("DisplayName", kProductName);
    registry.WriteString("DisplayVersion", kProductVersion);
    registry.WriteInteger("EstimatedSize", FolderSizeKB(destDir, ClusterSize(destDir)));
    registry.WriteString("Publisher", kPublisher);
    registry.WriteString("UninstallString", "\"" + program + "\" -ui");
    registry.CloseKey();
}
