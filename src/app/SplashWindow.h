#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QTimer;

// frmFlash: the start-up picture. It loads the main window behind itself,
// stays for three seconds or until the picture is clicked, then shows the
// main window and goes away for good.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int DisplayMs = 3000;
    // Creates the main window hidden and returns it.
    using MainWindowLoader = std::function<QWidget *()>;

    explicit SplashWindow(MainWindowLoader loadMainWindow, QWidget *parent = nullptr);

    // Shows the picture and the version line, starts the timer and loads the
    // main window while the picture is on screen.
    void start();

    QWidget *mainWindow() const { return frmMain; }
    bool isFinished() const { return finished; }

    // "Ver 1.0.0 for Linux"
    static QString versionLine();

Q_SIGNALS:
    // The main window has come up in the splash's place.
    void mainWindowShown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Unload();

    MainWindowLoader loadMainWindow;
    QLabel *Image1;
    QLabel *Label1;
    QTimer *Timer1;
    QWidget *frmMain = nullptr;
    bool unloadRequested = false;
    bool finished = false;
};
