// Tfrianthai: the quick lookup window. The user types a word, a phrase or a wildcard pattern
// into the Thai input field `te1`; on every change the field's second line shows the first
// dictionary line that matches, and "&Next F3" steps on to the next one. A text that has no
// further whole-word match goes on as a prefix search (the text with "*" appended) from the top.
#pragma once

#include <QMainWindow>
#include <string>

class QAction;
class TFthaivk;
class TThaiedit;
class Tfmekalon;

class Tfrianthai : public QMainWindow {
    Q_OBJECT
public:
    // Looks words up in `main`'s dictionary (opening one through it when it has none);
    // `keyboard` types into the field while this window is active. Both outlive the window.
    Tfrianthai(Tfmekalon& main, TFthaivk& keyboard);
    ~Tfrianthai() override;

    // Width of the client area; its height is always that of te1.
    static constexpr int ClientWidth = 624;

    // ---- Components ----------------------------------------------------------------------
    TThaiedit* te1;  // Text: the typed text; Text2: the dictionary line found
    QAction* clear;
    QAction* N1;     // an empty item without command
    QAction* Next1;  // "&Next F3", disabled until a find succeeds

    // ---- Search state --------------------------------------------------------------------
    // The trimmed text of te1, with one "*" appended once its whole-word matches ran out.
    std::string searchword;
    // The result of the last find: the offset in the dictionary text of the end of the line
    // shown last, or 0 when the last find found nothing.
    int lastpos = 0;

    // ---- Handlers ------------------------------------------------------------------------
    void FormCreate();
    void t1Change();    // a new search for the changed text
    void search();      // one find step from lastpos
    void Next1Click();  // the next matching line
    void clearClick();  // empties the field; the search itself goes on with F3
    void t1Resize();    // the window fits the field
    void FormActivate();
    void FormDeactivate();

    // The dictionary text the lookup searches is brought up to date before a key needs it: when
    // the window is shown, and after every change of the dictionary while it is open (the main
    // window calls DictionaryChanged; the text is made once the command that changed it is done).
    void PrepareSearch();
    void DictionaryChanged();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Tfmekalon& main_;
    TFthaivk& keyboard_;
    QWidget* client_;  // the white client area that holds te1
    bool prepareQueued_ = false;
};
