// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QWidget>

#include <utility>

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
    enum class Tone { Secondary, Problem };
    // A row of caption text across the group, secondary or in the problem colour.
    QLabel *addCaption(const QString &text, Tone tone = Tone::Secondary);

private:
    class Group;
    Group *m_group;
    QVBoxLayout *m_rows;
    QList<std::pair<QLabel *, Tone>> m_toned;
};
