#pragma once
// Which file the operator picks to read or to write (a seam: see
// core/seam.h).  The system's asks with the platform's file dialog; a
// stand-in answers at once.
#include <QString>

class QWidget;

namespace uFCom_Bas {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The file chosen, or an empty text when the operator backed out.
    // filter: the file dialog's filter ("名前 (*.csv)").
    virtual QString toRead(QWidget* parent, const QString& caption, const QString& filter) = 0;
    virtual QString toWrite(QWidget* parent, const QString& caption, const QString& suggested,
                            const QString& filter) = 0;
    static FileChooser& system();
};

}  // namespace uFCom_Bas
