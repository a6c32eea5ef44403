#pragma once
// What the host needs of the print page 打印 for the print hand-off
// (WindowHost::handToPrintPage): taking a document as its wenben.
#include <QString>

namespace tessaly {

class PrintPageTarget {
public:
    virtual ~PrintPageTarget() = default;
    // Takes the document: its text, and its title beside it.
    virtual void setWenben(const QString &wenben) = 0;
};

} // namespace tessaly
