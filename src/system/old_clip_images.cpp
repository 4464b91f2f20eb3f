#include "system/old_clip_images.h"

#include "base/folder_items.h"
#include "base/paths.h"
#include "base/shell_folders.h"

#include <windows.h>

#include <shlobj.h>

void RemoveOldClipImages(const std::string& dest, bool portable, TLinkTest isLink) {
    // Under the user's documents anyone with the user's rights may make one
    // of these folders a link, and an elevated run would then delete what it
    // points at. So every folder from the documents folder down is opened
    // with links refused and held while the work below it goes on; a link
    // on the way stops the clean-up.
    std::vector<TOpenItem> images;
    if (portable) {
        images = OpenFolderPath(JoinPath(dest, "Clip Library\\Images"), dest, isLink);
    } else {
        const std::string documents = SpecialFolder(CSIDL_PERSONAL);
        if (documents.empty()) return;
        images = OpenFolderPath(JoinPath(documents, "Quorvale\\Clip Library\\Images"), documents,
                                isLink);
    }
    if (images.empty()) return;

    const TOpenItem checkmarks =
        OpenItemIn(images.back(), "Checkmarks", DELETE | kEnterAccess, isLink);
    if (checkmarks.IsFolder() || checkmarks.Link) DeleteItemTree(checkmarks, isLink);

    const TOpenItem bullets = OpenItemIn(images.back(), "Bullets", kEnterAccess, isLink);
    if (!bullets.IsFolder()) return;
    std::vector<std::string> names;
    for (int n = 1; n <= 32; ++n)
        names.push_back("Bullet " + std::to_string(n) + ".gif");
    names.push_back("Target.gif");
    for (const std::string& name : names) {
        const TOpenItem file = OpenItemIn(bullets, name, DELETE, isLink);
        if (!file.IsFolder()) DeleteOpenItem(file); // a link goes itself
    }
}
