#include "gui/platform/filechooser.h"

#include <QFileDialog>

namespace uFCom_Bas {

FileChooser& FileChooser::system()
{
    struct Dialog final : FileChooser {
        QString toRead(QWidget* parent, const QString& caption, const QString& filter) override
        {
            return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
        }
        QString toWrite(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter) override
        {
            return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
        }
    };
    static Dialog dialog;
    return dialog;
}

}  // namespace uFCom_Bas
