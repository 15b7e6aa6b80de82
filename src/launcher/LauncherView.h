#pragma once

#include <QWidget>

class QPlainTextEdit;

// The whole content of the launcher panel.
class LauncherView : public QWidget
{
    Q_OBJECT

public:
    explicit LauncherView(QWidget *parent = nullptr);

    // Puts the caret in the input field.
    void focusInput();

Q_SIGNALS:
    void closeRequested();
    void settingsRequested();

private:
    QPlainTextEdit *m_input;
};
