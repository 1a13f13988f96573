// e-ΠΙΝΑΞ: the aggregate statement of customers and suppliers.
#include <QLockFile>
#include <csignal>

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"
#include "ui/MessageWindow.h"
#include "ui/ProgramDirectory.h"

int main(int argc, char** argv)
{
    using namespace epinax::ui;
    TApplication application(argc, argv);
    // A write past the user's file size limit then fails with its message
    // instead of ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    TProgramDirectories directories = ProgramDirectories();

    // Two copies over one set of working files would overwrite each other's lists.
    QLockFile lock(directories.program + QStringLiteral("epinax.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        TDialogs::ShowMessage(nullptr, QStringLiteral(u"Το πρόγραμμα e-ΠΙΝΑΞ εκτελείται ήδη σε αυτόν τον υπολογιστή "
                                                      u"με τον ίδιο φάκελο εργασίας.\nΣυνεχίστε στο ανοιχτό παράθυρο "
                                                      u"ή κλείστε το και ξαναδοκιμάστε."));
        return 1;
    }
    MainWindow form({directories.program.toStdString()});
    {
        MessageWindow message(&form);
        message.exec();
    }
    form.show();
    // The lock is held: working files left in the program directory belong to
    // no running copy.
    form.OfferRecovery();
    return application.exec();
}
