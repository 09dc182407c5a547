#include "ui/frmmain.h"

frmMain::frmMain(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(698, 455);
    setWindowTitle(QStringLiteral("Tunoxa "));
}
