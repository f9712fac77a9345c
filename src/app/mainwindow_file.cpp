// Saving and loading the step table as a settings file.
#include "mainwindow.h"

#include "messagebox.h"
#include "settingsfile.h"
#include "tablechange.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

using namespace Klv;

namespace {

enum class FileDialogKind { Save, Load };

// The dialogs start in "C:\" where the system has one, elsewhere in the user's home.
QString initialDirectory()
{
    const QFileInfoList drives = QDir::drives();
    for (const QFileInfo &drive : drives) {
        if (drive.absoluteFilePath().compare(QStringLiteral("C:/"), Qt::CaseInsensitive) == 0)
            return drive.absoluteFilePath();
    }
    return QDir::homePath();
}

// The file dialog of Save and Load: Qt's own, so it looks and behaves the same on every system,
// set up the way the Windows dialogs of the design behave.
class SettingsFileDialog : public QFileDialog
{
public:
    SettingsFileDialog(QWidget *parent, FileDialogKind kind)
        : QFileDialog(parent,
                      kind == FileDialogKind::Save ? QStringLiteral("名前を付けて保存")
                                                   : QStringLiteral("ファイルの読み込み"),
                      initialDirectory()),
          m_kind(kind)
    {
        const bool save = kind == FileDialogKind::Save;
        setObjectName(QStringLiteral("settingsFileDialog"));
        setOption(QFileDialog::DontUseNativeDialog);
        // As on Windows, the list shows the descriptions only, and "all files" means every
        // file, names without a dot too.
        setOption(QFileDialog::HideNameFilterDetails);
        const QStringList filters{QStringLiteral("すべてのファイル (*)"),
                                  QStringLiteral("KLV設定ファイル (*.zzr)")};
        setNameFilters(filters);
        selectNameFilter(filters[save ? 0 : 1]);
        // Save asks before it replaces a file; Load takes only a file that exists.
        setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        selectFile(save ? QStringLiteral("KLV-90.zzr") : presetToLoad());
    }

    void accept() override
    {
        // Save too takes only a folder that exists, rather than failing after the dialog.
        const QString path = selectedFiles().value(0);
        if (m_kind == FileDialogKind::Save && !path.isEmpty() &&
            !QFileInfo(path).absoluteDir().exists()) {
            QMessageBox::warning(this, windowTitle(),
                                 QDir::toNativeSeparators(path) +
                                     QStringLiteral("\nフォルダーが見つかりません。\n"
                                                    "フォルダー名を確認してください。"));
            return;
        }
        QFileDialog::accept();
    }

private:
    // "klv-90.zzr", written as the file of that name in the folder is written, whatever its
    // case: on Windows, where the programs were first saved as "KLV-90.zzr", they are one file.
    QString presetToLoad() const
    {
        const QString preset = QStringLiteral("klv-90.zzr");
        const QDir folder = directory();
        if (folder.exists(preset))
            return preset;
        const QStringList names = folder.entryList(QDir::Files);
        for (const QString &name : names) {
            if (name.compare(preset, Qt::CaseInsensitive) == 0)
                return name;
        }
        return preset;
    }

    FileDialogKind m_kind;
};

// Asks for the path of a settings file; empty on Cancel. Nothing of an earlier choice is
// remembered.
QString askSettingsFilePath(QWidget *parent, FileDialogKind kind)
{
    SettingsFileDialog dialog(parent, kind);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

void MainWindow::saveClicked()
{
    saveProgram({});
}

bool MainWindow::saveProgram(QString path)
{
    if (stepTable().isEmpty()) {
        showMessage(this, QStringLiteral("保存するデータがありません。"));
        return false;
    }
    if (path.isEmpty())
        path = askSettingsFilePath(this, FileDialogKind::Save);
    if (path.isEmpty())
        return false;
    if (!writeSettingsFile(path, stepTable())) {
        showMessage(this, QStringLiteral("ファイルを保存できませんでした。"));
        return false;
    }
    setCurrentFile(path);
    m_steps->markSaved();
    return true;
}

void MainWindow::loadClicked()
{
    const QString path = askSettingsFilePath(this, FileDialogKind::Load);
    if (path.isEmpty())
        return;
    // The dialog was opened before the controller answered, and its steps are being sent now:
    // the table they came from stays on screen until the download has ended.
    if (m_download->isTransferring())
        openWhenFree(path, false);
    else
        openSettingsFile(path);
}

void MainWindow::openSettingsFile(const QString &path)
{
    // The whole file is checked before anything changes, so a refused file loses nothing.
    const SettingsFileContents file = readSettingsFile(path);
    // A refusal names the file under the reason, so it is clear which one was meant.
    const QString fileLine = u'\n' + QDir::toNativeSeparators(path);
    switch (file.error) {
    case SettingsFileError::WrongFile:
    case SettingsFileError::TooManySteps:
        showMessage(this, QStringLiteral("ファイルが違います。") + fileLine);
        return;
    case SettingsFileError::Unreadable:
        showMessage(this, QStringLiteral("ファイルを読み込めませんでした。") + fileLine);
        return;
    case SettingsFileError::None:
        break;
    }
    // Load empties the table as Clear does, grid and wire locks included, then fills it.
    const EditSnapshot before = snapshot();
    clearTable();
    m_steps->load(file.steps);
    setCurrentFile(path);
    m_steps->markSaved();
    recordChange(before, QStringLiteral("読み込み (%1)").arg(QFileInfo(path).fileName()), true);
}

void MainWindow::setCurrentFile(const QString &path)
{
    m_currentFile = path;
    updateWindowTitle();
    updateRecoveryCopy(); // it names the file
}

void MainWindow::updateWindowTitle()
{
    QString title = QStringLiteral("ＫＬＶ－９０");
    if (!m_currentFile.isEmpty())
        title += QStringLiteral(" - ") + QFileInfo(m_currentFile).fileName();
    // A modified table shows as "*" there.
    setWindowTitle(title + QStringLiteral("[*]"));
}
