#include "setup/command_line.h"

#include "record/setup_state.h"
#include "runtime/log.h"

namespace setup {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next argument, its quotes removed, into argument; false at the end.
bool NextArgument(const char*& p, rt::Text& argument, bool& tooLong) {
    while (IsBlank(*p)) ++p;
    if (*p == '\0') return false;
    char buffer[rt::Text::kSize];
    int length = 0;
    bool quoted = false;
    for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
        if (*p == '"') {
            quoted = !quoted;
        } else if (length < rt::Text::kMaxChars) {
            buffer[length++] = *p;
        } else {
            tooLong = true;
        }
    }
    buffer[length] = '\0';
    argument = buffer;
    return true;
}

// Whether the argument is the switch name ("/S", "-s"); value gets what follows "=".
bool Is(const char* argument, const char* name, const char** value = nullptr) {
    if (argument[0] != '/' && argument[0] != '-') return false;
    const char* a = argument + 1;
    for (; *name != '\0'; ++a, ++name) {
        const char lower = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        if (lower != *name) return false;
    }
    if (value) {
        if (*a != '=') return false;
        *value = a + 1;
        return true;
    }
    return *a == '\0';
}

// The index of value among choices (without regard to case), or -1.
template <size_t N>
int Choice(const char* value, const char* const (&choices)[N]) {
    for (size_t i = 0; i < N; ++i) {
        if (lstrcmpiA(value, choices[i]) == 0) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

bool ReadSwitches(const char* commandLine) {
    const char* p = commandLine ? commandLine : "";
    rt::Text argument, logPath;
    bool tooLong = false;
    NextArgument(p, argument, tooLong);  // the program's own name
    tooLong = false;

    bool silent = false, uninstall = false, withSilentOnly = false;
    const char* speed = "M";
    const char* temperature = "C";
    int shortcuts = 0;
    static const char* const kSpeeds[] = {"MPH", "KMH"};
    static const char* const kSpeedUnits[] = {"M", "K"};
    static const char* const kTemperatures[] = {"C", "F"};
    static const char* const kShortcuts[] = {"BOTH", "APP", "LOGS", "NONE"};
    while (NextArgument(p, argument, tooLong)) {
        const char* a = argument.c_str();
        const char* value = nullptr;
        int choice = -1;
        if (Is(a, "s")) {
            silent = true;
        } else if (Is(a, "uninstall")) {
            uninstall = withSilentOnly = true;
        } else if (Is(a, "log", &value) && value[0] != '\0' && !tooLong) {
            logPath = value;
        } else if (Is(a, "speed", &value) && (choice = Choice(value, kSpeeds)) >= 0) {
            speed = kSpeedUnits[choice];
            withSilentOnly = true;
        } else if (Is(a, "temperature", &value) && (choice = Choice(value, kTemperatures)) >= 0) {
            temperature = kTemperatures[choice];
            withSilentOnly = true;
        } else if (Is(a, "shortcuts", &value) && (choice = Choice(value, kShortcuts)) >= 0) {
            shortcuts = choice;
            withSilentOnly = true;
        } else {
            return false;
        }
    }
    if (withSilentOnly && !silent) return false;

    g_setup.Silent = silent ? 1 : 0;
    g_setup.SilentUninstall = uninstall ? 1 : 0;
    g_setup.SpeedUnit = speed;
    g_setup.TemperatureUnit = temperature;
    g_setup.ShortcutForApp = (shortcuts == 0 || shortcuts == 1) ? 1 : 0;
    g_setup.ShortcutForLogs = (shortcuts == 0 || shortcuts == 2) ? 1 : 0;
    // A log that cannot be opened does not stop the installation; there is just none.
    if (logPath.c_str()[0] != '\0') rt::OpenLog(logPath.c_str());
    return true;
}

}  // namespace setup
