#pragma once

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

class QWidget;

// The standard dialogs behind one object that keeps their settings between uses: the main window's
// one instance remembers the last file and folder chosen for the whole run. The dialogs are Qt's own
// (not the desktop's native ones), so they behave the same everywhere.
class StandardDialogs
{
    Q_DECLARE_TR_FUNCTIONS(StandardDialogs)

public:
    void setFontUnderline(bool underline) { m_fontUnderline = underline; }
    bool fontUnderline() const { return m_fontUnderline; }
    void setFontItalic(bool italic) { m_fontItalic = italic; }
    bool fontItalic() const { return m_fontItalic; }
    void setFontBold(bool bold) { m_fontBold = bold; }
    bool fontBold() const { return m_fontBold; }
    void setFontSize(qint16 size) { m_fontSize = size; }
    qint16 fontSize() const { return m_fontSize; }
    void setFontName(const QString &name) { m_fontName = name; }
    QString fontName() const { return m_fontName; }
    // red + 256 * green + 65536 * blue
    void setColor(qint32 color) { m_color = color; }
    qint32 color() const { return m_color; }
    void setDefaultExtension(const QString &extension) { m_defaultExtension = extension; }
    QString defaultExtension() const { return m_defaultExtension; }
    void setTitle(const QString &title) { m_title = title; }
    QString title() const;

    // The window that owns every dialog; no dialog opens before it is set.
    void setOwner(QWidget *owner) { m_owner = owner; }

    void setPath(const QString &path) { m_path = path; }
    QString path() const;
    void setFileTitle(const QString &fileTitle) { m_fileTitle = fileTitle; }
    QString fileTitle() const;
    // "description|pattern|description|pattern..."; the first pair is preselected.
    QString filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }
    QString fileName() const;
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    // No print support is built in: these refuse.
    bool showPrinter();
    // Folder choice with title as its prompt. OK: path is the folder, fileName and fileTitle empty.
    bool showFolder();
    // OK stores the chosen colour in color. The custom-colour part is always shown.
    bool showColor(bool fullOpen = false);
    // OK stores the face name, bold, italic and the size in whole points.
    bool showFont();
    // One existing file. Starts where the last confirmed choice was (the process's working
    // folder the first time), with fileName in its name box. OK sets fileName, fileTitle and path.
    bool showOpen();
    bool showPrinterProperties();
    // Titled "Save"; starts in path, or in the program folder when path is no folder.
    bool showSave();

private:
    bool chooseFile(bool save);

    QString m_fileTitle;
    QString m_path;
    QString m_filter;
    QString m_fileName;
    qint32 m_color = 0;
    QString m_title;
    QWidget *m_owner = nullptr;
    QString m_defaultExtension;
    QString m_fontName;
    qint16 m_fontSize = 0;
    bool m_fontBold = false;
    bool m_fontItalic = false;
    bool m_fontUnderline = false;
    // Folder of the last confirmed showOpen; the program's working folder is never changed.
    QString m_openFolder;
};
