#pragma once

class QAction;

// One action per command of the main window, each with its text, icon and enabled state.
struct CommandActions
{
    QAction *addFile = nullptr;
    QAction *addFolder = nullptr;
    QAction *removeSelected = nullptr;
    QAction *removeAll = nullptr;
    QAction *popUpRemoveMenu = nullptr;
    QAction *options = nullptr;
    QAction *help = nullptr;
    QAction *about = nullptr;
    QAction *exit = nullptr;
    QAction *start = nullptr;
    QAction *chooseOutputFolder = nullptr;
};
