// Message boxes, questions and the open-file dialog of the configuration process, with Qt Widgets.
#include "ui/qt/QtPrompts.h"

#include "ui/ConfigurationView.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace mq {

void QtPrompts::showMessage(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok);
    box.exec();
}

bool QtPrompts::askYesNo(const std::string& question, const std::string& caption) {
    QMessageBox box(QMessageBox::Question,
                    QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                    QString::fromUtf8(question.data(), static_cast<qsizetype>(question.size())),
                    QMessageBox::Yes | QMessageBox::No);
    // Enter or Escape, or closing the box, must not answer Yes.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompts::chooseLibraryFile(std::string& path) {
    QFileDialog dialog(nullptr, QString::fromUtf8(OPEN_LIBRARY_TITLE));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({"Quellan (*.so)", "All Files (*)"});
    dialog.setDefaultSuffix("so");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    // File names are the file system's bytes, whatever Qt made of them.
    path = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
    return true;
}

}  // namespace mq
