#include "base/product_path.h"

#include "base/code_page.h"
#include "base/utf8_text.h"

#include <windows.h>

TProductPath ProductPath(const std::string& path) {
    TProductPath result{std::string(), TProductForm::AsIs};
    if (AnsiFromUtf8(path, result.Text)) return result;
    result.Form = TProductForm::None;
    // The short form of the nearest part that exists, the rest as it is.
    for (size_t end = path.size(); end != std::string::npos && end > 2;
         end = path.find_last_of('\\', end - 1)) {
        const TWideText wide = WideText(path.substr(0, end));
        const DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
        if (n == 0) continue;
        TWideText shortForm(n, L'\0');
        const DWORD got = GetShortPathNameW(wide.c_str(), &shortForm[0], n);
        if (got == 0 || got >= n) break;
        shortForm.resize(got);
        if (AnsiFromUtf8(Utf8Text(shortForm) + path.substr(end), result.Text))
            result.Form = TProductForm::Short;
        else
            result.Text.clear();
        break;
    }
    return result;
}
