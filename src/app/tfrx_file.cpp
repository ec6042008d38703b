// The file menu: save and load the configuration file, start a new file.
#include "app/tfrx.h"
#include "config/beep.h"
#include "config/configfileio.h"
#include "dialogs/fask.h"

#include <QAction>
#include <QColor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

namespace tovrix {

namespace {

const QStringList kFileFilters{
    QStringLiteral("Spannungs- und RS232/485-Daten- Ausgabe (*.tvx)"),
    QStringLiteral("all (*.*)"),
};

// The toolkit's own dialog (not the desktop's), opening in the working
// directory with the proposed name and the tool's two filters.
void prepareFileDialog(QFileDialog& dialog, const QString& title, const QString& proposedName) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(title);
    dialog.setDirectory(QDir::currentPath());
    dialog.setNameFilters(kFileFilters);
    dialog.setDefaultSuffix(QStringLiteral("tvx"));
    dialog.setSizeGripEnabled(true);
    dialog.selectFile(QFileInfo(proposedName).fileName());
}

std::string localPath(const QString& path) {
    return path.toLocal8Bit().toStdString();
}

// A file error's message gains its reason; the whole text is also the info
// line's tooltip, for when the line is too narrow to show it.
void appendReason(QLabel& info, const std::string& reason) {
    const QString text = info.text() + QLatin1Char(' ') + QString::fromLocal8Bit(reason.c_str());
    info.setText(text);
    info.setToolTip(text);
}

}  // namespace

void TFRX::connectFileMenu() {
    connect(MSpeichern, &QAction::triggered, this, &TFRX::MSpeichernClick);
    connect(MLaden, &QAction::triggered, this, &TFRX::MLadenClick);
    connect(Mneu, &QAction::triggered, this, &TFRX::MneuClick);
}

// Runs the dialog; on confirmation the chosen file's folder becomes the
// working directory, so the next dialog (and the next run, through the
// settings file) starts there.
bool TFRX::runFileDialog(QFileDialog& dialog, QString& chosen) {
    const bool confirmed =
        fileDialogRunner_ ? fileDialogRunner_(dialog) : dialog.exec() == QDialog::Accepted;
    const QStringList files = dialog.selectedFiles();
    if (!confirmed || files.isEmpty() || files.first().isEmpty()) {
        return false;
    }
    chosen = files.first();
    QDir::setCurrent(QFileInfo(chosen).absolutePath());
    return true;
}

void TFRX::showVerdict(StatusMessage message, bool failure) {
    if (failure) {
        beep();
    }
    setInfoColour(failure ? QColor(255, 0, 0) : QColor(0, 0, 0));
    showStatus(message);
}

void TFRX::MSpeichernClick() {
    QFileDialog dialog(this);
    prepareFileDialog(dialog, QStringLiteral("Datei Speichern"), SaveDialogFileName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);  // an existing file is replaced only when confirmed
    QString chosen;
    if (!runFileDialog(dialog, chosen)) {
        showVerdict(StatusMessage::msgsavecancel, false);
        showdata();
        return;
    }
    SaveDialogFileName = chosen;
    Build64K();
    std::string reason;
    if (saveConfigurationFile(localPath(chosen), confdata, tabdata, selectedPort(),
                              Firmware->text().toLatin1().toStdString(), &reason)) {
        OpenDialogFileName = chosen;
        clearModified(true, true);
        showVerdict(StatusMessage::msgsaved, false);
    } else {
        showVerdict(StatusMessage::msgsaveerror, true);
        appendReason(*info, reason);
    }
    showdata();
}

void TFRX::MLadenClick() {
    if (!saveChangesFirst(QStringLiteral("Vor dem Laden speichern?"))) {
        return;
    }
    QFileDialog dialog(this);
    prepareFileDialog(dialog, QStringLiteral("Datei Laden"), OpenDialogFileName);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QString chosen;
    if (!runFileDialog(dialog, chosen)) {
        showVerdict(StatusMessage::msgloadcancel, false);
    } else {
        // A file that is refused changes nothing, not even the name of the
        // current file: the status bar keeps naming the file whose data
        // the window shows.
        FileLoadDetails details;
        const FileLoadResult loaded =
            loadConfigurationFile(localPath(chosen), confdata, tabdata, &details);
        if (loaded != FileLoadResult::loaded) {
            showVerdict(StatusMessage::msgloaderror, true);
            appendReason(*info, loadFailureText(loaded, details));
            showdata();
            return;
        }
        OpenDialogFileName = chosen;
        clearModified(true, true);
        bool checksumOk = false;
        Restore64K(checksumOk);
        showVerdict(checksumOk ? StatusMessage::msgfileok : StatusMessage::msgfilesum, !checksumOk);
        showdata();
    }
    SaveDialogFileName = OpenDialogFileName;
    showdata();
}

void TFRX::MneuClick() {
    const QStringList question{QStringLiteral("!!!  Neue Datei erstellen  !!!"),
                               QStringLiteral("alle Werte zurücksetzen ?")};
    if (Fask != nullptr && Fask->ask(question)) {
        // The start-up initialisation again, down to reading the settings
        // file when the start-up timer fires.
        FormCreate();
        return;
    }
    beep();
}

}  // namespace tovrix
