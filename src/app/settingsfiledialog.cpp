#include "settingsfiledialog.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {

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
    SettingsFileDialog(QWidget *parent, SettingsFileDialogKind kind)
        : QFileDialog(parent,
                      kind == SettingsFileDialogKind::Save ? QStringLiteral("名前を付けて保存")
                                                           : QStringLiteral("ファイルの読み込み"),
                      initialDirectory()),
          m_kind(kind)
    {
        const bool save = kind == SettingsFileDialogKind::Save;
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
        // A name typed without a suffix is a settings file all the same, so the desktop and
        // Load's file type find it.
        if (save)
            setDefaultSuffix(QStringLiteral("zzr"));
    }

    void accept() override
    {
        // Save too takes only a folder that exists, rather than failing after the dialog.
        const QString path = selectedFiles().value(0);
        if (m_kind == SettingsFileDialogKind::Save && !path.isEmpty() &&
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

    SettingsFileDialogKind m_kind;
};

} // namespace

QString askSettingsFilePath(QWidget *parent, SettingsFileDialogKind kind)
{
    SettingsFileDialog dialog(parent, kind);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}
