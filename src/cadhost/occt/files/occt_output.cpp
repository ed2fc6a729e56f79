#include "cadhost/occt/files/occt_output.hpp"

#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>

#include <mutex>

namespace corvex::cadhost::occt {

void quietOcctOutput() {
    static std::once_flag once;
    std::call_once(once, [] {
        const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
        // No printer at all: the kernel's own lines (a file it cannot write, a foreign file's
        // warnings) are not for the runner's user, who gets an error of corvex's own.
        messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    });
}

}  // namespace corvex::cadhost::occt
