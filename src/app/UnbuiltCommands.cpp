#include "app/UnbuiltCommands.h"

#include "window/CommandState.h"

void UnbuiltCommands::hold(CommandState &availability)
{
    availability.hold({
        // Transfers
        Cmd::UpDown,
        Cmd::DownloadButton,
        Cmd::UploadButton,
    });
}
