#ifndef FILESDEMOEDITOR_H
#define FILESDEMOEDITOR_H

#include <QWidget>

class FileWidget;
class QDataSet;
class QLabel;
class QPushButton;

// Stands in for an editor that keeps attachments (a deal, a supplier) until
// those exist: the attachments of one document ("t_docs") in a FileWidget,
// held until "Применить" saves them the way an editor does, or dropped by
// "Отменить".
class FilesDemoEditor : public QWidget
{
    Q_OBJECT

public:
    explicit FilesDemoEditor(long long documentKey, QWidget *parent = nullptr);

    FileWidget *files() const { return m_files; }

public Q_SLOTS:
    bool apply();
    void cancel();

private:
    void showState(bool modified);

    QDataSet *m_document;
    FileWidget *m_files;
    QLabel *m_state;
    QPushButton *m_apply;
    QPushButton *m_cancel;
    long long m_key;
};

#endif // FILESDEMOEDITOR_H
