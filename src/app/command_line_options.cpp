#include "app/command_line_options.h"

#include "payload/components.h"
#include "system/associations.h"

#include <cctype>

namespace {
std::string Upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// "1,3,Clip library": numbers or names, separated by commas.
bool ParseComponents(const std::string& list, TComponentSet& components, std::string& error) {
    components = TComponentSet();
    components.Add(kProgram); // always installed
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = list.find(',', start);
        const std::string item = Trimmed(
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        start = comma == std::string::npos ? list.size() + 1 : comma + 1;
        if (item.empty()) continue;
        int component = -1;
        if (item.size() == 1 && item[0] >= '0' && item[0] < char('0' + ComponentCount)) {
            component = item[0] - '0';
        } else {
            for (int c = 0; c < ComponentCount; ++c)
                if (Upper(item) == Upper(ComponentNames[c])) component = c;
        }
        if (component < 0) {
            error = "unknown component \"" + item + "\"";
            return false;
        }
        components.Add(component);
    }
    return true;
}

bool ParseDocumentTypes(const std::string& letters, TDocumentTypes& chosen, std::string& error) {
    chosen = TDocumentTypes();
    for (char c : Upper(letters)) {
        if (c == ',' || c == ' ') continue;
        const std::string all = kDocumentLetters;
        const size_t box = all.find(c);
        if (box == std::string::npos) {
            error = std::string("unknown document type \"") + c + "\"";
            return false;
        }
        chosen.Set(int(box), true);
    }
    return true;
}

// The switches without a value, with the names other installers give them
// that admins already type.
enum : uint8_t {
    kSilent = 1,
    kPassive = 2,
    kCheck = 4,
    kUsage = 8,
    kNoShortcut = 16,
    kCurrentUser = 32,
    kNothingToDo = 64,
};
constexpr struct {
    const char* Name;
    uint8_t Meaning;
} kSwitches[] = {
    {"/S", kSilent},
    {"/QUIET", kSilent},
    {"/VERYSILENT", kSilent},
    {"/PASSIVE", kPassive},
    {"/SILENT", kPassive},
    {"/CHECK", kCheck},
    {"/?", kUsage},
    {"/NOSHORTCUT", kNoShortcut},
    {"/CURRENTUSER", kCurrentUser},
    {"/SUPPRESSMSGBOXES", kNothingToDo},
    {"/NORESTART", kNothingToDo},
};

uint8_t SwitchMeaning(const std::string& name) {
    for (const auto& known : kSwitches)
        if (name == known.Name) return known.Meaning;
    return 0;
}
} // namespace

TCommandLineOptions ParseCommandLineOptions(const std::vector<std::string>& args) {
    TCommandLineOptions options;
    uint8_t given = 0;
    bool choices = false;
    std::vector<std::string> unknown;
    auto destination = [&](const std::string& folder, const char* how) {
        if (options.Destination && options.Error.empty())
            options.Error = "the destination is given twice";
        options.Destination = folder;
        options.DestinationSwitch = how;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty()) continue;
        // The wizard's own option keeps its meaning as the first argument.
        if (i == 0 && arg.compare(0, 2, "-d") == 0) {
            destination(arg.substr(2), "-d");
            continue;
        }
        options.Any = true;
        const std::string upper = Upper(arg);
        const size_t equals = upper.find('=');
        const std::string name = upper.substr(0, equals);
        const std::string value =
            equals == std::string::npos ? std::string() : arg.substr(equals + 1);
        const bool hasValue = equals != std::string::npos;
        const uint8_t meaning = hasValue ? 0 : SwitchMeaning(name);
        if (meaning) {
            given |= meaning;
            choices |= (meaning & (kNoShortcut | kCurrentUser)) != 0;
        } else if (name == "/COMPONENTS" && hasValue) {
            choices = true;
            TComponentSet components;
            if (ParseComponents(value, components, options.Error)) options.Components = components;
        } else if (name == "/LOG" && hasValue) {
            options.LogPath = value;
            if (value.empty()) options.Error = "/LOG= needs a file name";
        } else if (name == "/ASSOC" && hasValue) {
            choices = true;
            TDocumentTypes types;
            if (ParseDocumentTypes(value, types, options.Error)) options.DocumentTypes = types;
        } else if ((name == "/DIR" || name == "/D") && hasValue) {
            destination(value, name == "/DIR" ? "/DIR=" : "/D=");
        } else {
            unknown.push_back(arg);
        }
    }
    const bool silent = given & kSilent, passive = given & kPassive, check = given & kCheck,
               usage = given & kUsage;
    options.NoDesktopShortcut = given & kNoShortcut;
    options.CurrentUserOnly = given & kCurrentUser;
    if (!options.Any) return options; // the wizard, as ever
    options.Mode = check     ? TRunMode::Check
                   : silent  ? TRunMode::Silent
                   : passive ? TRunMode::Passive
                   : usage || choices || !options.Error.empty() || !unknown.empty()
                       ? TRunMode::Usage
                       : TRunMode::Wizard;
    if (usage) {
        // A request for the usage is answered, whatever else stands there;
        // a run without windows stays without them.
        if (ShowsNothing(options)) {
            if (options.Error.empty()) options.Error = "/? cannot be answered without a window";
        } else {
            options.Mode = TRunMode::Usage;
        }
        return options;
    }
    if (!options.Error.empty()) return options;
    if (!unknown.empty())
        options.Error = "unknown option \"" + unknown.front() + "\"";
    else if (silent && passive)
        options.Error = "/S and /PASSIVE exclude each other";
    else if (!silent && !passive && !check && choices)
        options.Error = "the choices need /S or /PASSIVE";
    return options;
}

std::string UsageText(const std::string& error) {
    std::string text;
    if (!error.empty()) text = "Setup cannot start: " + error + ".\r\r";
    text +=
        "Usage: setup.exe [-dFOLDER] [/S | /PASSIVE] [/CHECK] [/COMPONENTS=LIST] [/NOSHORTCUT]\r"
        "    [/CURRENTUSER] [/ASSOC=LETTERS] [/LOG=FILE] [/DIR=FOLDER] [/?] [/D=FOLDER]\r\r"
        "-dFOLDER\tinstall into FOLDER (first argument only)\r"
        "/DIR=FOLDER\tthe same, anywhere on the line, quoted when it holds blanks (Inno Setup)\r"
        "/D=FOLDER\tthe same, last on the line and unquoted, blanks and all (NSIS)\r"
        "/S\tinstall without any window and without questions\r"
        "\t(also /quiet of Windows Installer and /VERYSILENT of Inno Setup)\r"
        "/PASSIVE\tinstall with a progress window and without questions\r"
        "\t(Windows Installer; also /SILENT of Inno Setup)\r"
        "/CHECK\tcheck everything an installation with these options would, without\r"
        "\tinstalling or showing anything: the exit code is the one it would give\r"
        "/COMPONENTS=\tcomponent numbers or names to install, separated by commas:\r"
        "\t1 English spellchecker, 2 Hyphenation module, 3 Document templates,\r"
        "\t4 Clip library, 5 Basic sound scheme (0, the program, always)\r"
        "/NOSHORTCUT\tno shortcut on the desktop\r"
        "/CURRENTUSER\tthe Start-menu shortcut for the current user only\r"
        "/ASSOC=\tdocument types to open with the program: A RTF, B COD, C DOC, D DOCX\r"
        "/LOG=\ta diagnostic log of the run in this file (also with the wizard)\r"
        "/SUPPRESSMSGBOXES, /NORESTART\taccepted (Inno Setup, Windows Installer):\r"
        "\tnothing to do\r\r"
        "Exit codes: 0 installed, 87 bad options, 1603 installation failed,\r"
        "1618 the word processor or another setup is running.";
    return text;
}
