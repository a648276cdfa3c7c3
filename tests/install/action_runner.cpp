// Runs installation actions in order, as the setup program's main sequence would, for
// the tests that then read the machine with independent tools. It carries the setup
// program's own resources, so the payload it writes is the real one.
//
//   action_runner [Field=value | Action]...
//
// Fields set the Global setup record (numbers or texts); actions run in the order
// given. VersionText starts as the setup program's own.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "install/actions.h"
#include "record/setup_state.h"

namespace {

using setup::g_setup;

struct Action {
    const char* name;
    int32_t (*run)();
};
constexpr Action kActions[] = {
    {"PrepareFolders", install::PrepareFolders},
    {"WriteSettingsRecords", install::WriteSettingsRecords},
    {"CopyApplicationFiles", install::CopyApplicationFiles},
    {"VerifyApplicationFiles", install::VerifyApplicationFiles},
    {"CreateShortcuts", install::CreateShortcuts},
    {"DeleteShortcuts", install::DeleteShortcuts},
    {"ApplyCompatibilityLayer", install::ApplyCompatibilityLayer},
    {"RemoveInstallation", install::RemoveInstallation},
    {"DeleteInstalledFiles", install::DeleteInstalledFiles},
    {"BeginInstallStep", install::BeginInstallStep},
    {"CompleteInstallStep", install::CompleteInstallStep},
    {"SettleUnfinishedStep", install::SettleUnfinishedStep},
};

struct NumberField {
    const char* name;
    int32_t* field;
};
const NumberField kNumberFields[] = {
    {"ShortcutForApp", &g_setup.ShortcutForApp},
    {"ShortcutForLogs", &g_setup.ShortcutForLogs},
    {"RunFromInstallFolder", &g_setup.RunFromInstallFolder},
};

struct TextField {
    const char* name;
    rt::Text* field;
};
const TextField kTextFields[] = {
    {"VersionText", &g_setup.VersionText},
    {"InstallFolder", &g_setup.InstallFolder},
    {"LogFolder", &g_setup.LogFolder},
    {"RemovalFolder", &g_setup.RemovalFolder},
};

bool SetField(const char* name, size_t nameLength, const char* value) {
    for (const NumberField& row : kNumberFields) {
        if (std::strlen(row.name) == nameLength && std::strncmp(row.name, name, nameLength) == 0) {
            *row.field = std::atoi(value);
            return true;
        }
    }
    for (const TextField& row : kTextFields) {
        if (std::strlen(row.name) == nameLength && std::strncmp(row.name, name, nameLength) == 0) {
            *row.field = value;
            return true;
        }
    }
    return false;
}

bool RunStep(const char* step) {
    if (const char* equals = std::strchr(step, '=')) {
        return SetField(step, static_cast<size_t>(equals - step), equals + 1);
    }
    for (const Action& action : kActions) {
        if (std::strcmp(action.name, step) == 0) {
            action.run();
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    rt::RuntimeStart();
    g_setup.VersionText = setup::kVersionText;
    for (int i = 1; i < argc; ++i) {
        if (!RunStep(argv[i])) {
            std::fprintf(stderr, "action_runner: unknown step %s\n", argv[i]);
            return 2;
        }
    }
    std::printf("done\n");
    std::fflush(stdout);
    setup::EndSetup();
}
