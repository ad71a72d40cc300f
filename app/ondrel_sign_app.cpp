#include "app/ondrel_sign_app.h"

#include "site/agreement_refresh.h"
#include "site/exchange_paths.h"
#include "site/site_script.h"
#include "ui/sign_dialog.h"
#include "ui/signature_files.h"

namespace ondrel {

COndrel_signApp::COndrel_signApp(int& argc, char** argv) : application_(argc, argv), argc_(argc) {}

bool COndrel_signApp::InitInstance() {
    // The window's placement is kept per user under this organisation and the program's name
    // (the executable's base name, Qt's default application name).
    QCoreApplication::setOrganizationName(QStringLiteral("Varnock software"));

    ClearStaleSignatureTemporaries(ExchangeFolder());

    if (AgreementNeedsRefresh(kAgreementDocument, AgreementImagePath(), argc_)) {
        RunSiteScript(kRefreshTemplate, kRefreshBatch);
    }

    COndrel_signDlg dialog;
    dialog.exec();
    return false;
}

}  // namespace ondrel
