#include "TestRegistry.h"

#include "shell/ui/LobrixApplication.h"

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The windows are tested under the program's own application object: its fonts,
    // German texts and error boxes.
    lobrix::shell::LobrixApplication app(argc, argv);
    return lobrix::test::runAll(argc, argv);
}
