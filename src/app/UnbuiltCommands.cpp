#include "app/UnbuiltCommands.h"

#include "window/CommandState.h"

void UnbuiltCommands::hold(CommandState &availability)
{
    availability.hold({
        // File operations
        Cmd::MakeDir,
        Cmd::Rename,
        Cmd::Del,
        Cmd::NewFolderButton,
        Cmd::RenameButton,
        Cmd::DeleteButton,
        // Run, view, properties
        Cmd::Run,
        Cmd::Show,
        Cmd::Property,
        Cmd::RunButton,
        Cmd::ShowButton,
        Cmd::PropertyButton,
    });
}
