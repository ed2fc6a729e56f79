#include "cadhost/occt/occt_output.hpp"

#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>

#include <mutex>

namespace corvex::cadhost::occt {

void quietOcctOutput() {
    static std::once_flag once;
    std::call_once(once, [] {
        const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
        messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
        // "cerr" is the printer's name for standard error. Alarms and failures only: the
        // transfer's warnings about foreign files are not for the runner's user.
        Handle(Message_PrinterOStream) errors =
            new Message_PrinterOStream("cerr", Standard_False, Message_Alarm);
        errors->SetToColorize(Standard_False);
        messenger->AddPrinter(errors);
    });
}

}  // namespace corvex::cadhost::occt
