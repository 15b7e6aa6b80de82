#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

// One section of the grouped settings form: a header above a rounded group
// whose rows show the label on the left and the control on the right.
class FormSection : public QWidget
{
    Q_OBJECT

public:
    explicit FormSection(const QString &title, QWidget *parent = nullptr);

    // A row with a label and a control; hide the returned row to drop it.
    QWidget *addRow(const QString &label, QWidget *control);
    // A row of secondary caption text across the group.
    QLabel *addCaption(const QString &text);

private:
    class Group;
    Group *m_group;
    QVBoxLayout *m_rows;
};
