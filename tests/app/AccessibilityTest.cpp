// What a screen reader hears: every button that shows only an icon is named by its hint, the two
// views have names, and the sorting view says which page is selected.
#include "app/MainFormFixture.h"
#include "view/PageViews.h"
#include "view/PrintFUnit.h"
#include "view/ViewPicFUnit.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

#include <functional>
#include <map>
#include <string>

using qlytest::MainForm;
using qlytest::u;

namespace {

// What the accessibility tree reports for `w`.
std::string accessibleText(QWidget* w, QAccessible::Text t) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a != nullptr ? a->text(t).toStdString() : "(keine Schnittstelle)";
}

// Every button under `root` that shows an icon and no text, by object name.
std::map<std::string, QAbstractButton*> iconOnlyButtons(QWidget* root) {
    std::map<std::string, QAbstractButton*> out;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (b->icon().isNull()) {
            continue;
        }
        const auto* tool = qobject_cast<QToolButton*>(b);
        const bool textShown =
            !b->text().isEmpty() &&
            (tool == nullptr || tool->toolButtonStyle() != Qt::ToolButtonIconOnly);
        if (!textShown) {
            out[b->objectName().toStdString()] = b;
        }
    }
    return out;
}

TEST_F(MainForm, EveryButtonWithOnlyAnIconIsNamedByItsHint) {
    TPrintForm print(form->ViewPicForm, form->ViewPicForm->printer(), settingsFile(), {});
    print.show();
    QApplication::processEvents();
    struct Window {
        const char* what;
        QWidget* root;
        std::map<std::string, std::string> expected; // object name: hint
    };
    const Window windows[] = {
        {"main window",
         form.get(),
         {{"RotLeftBtn", "Nach links rotieren"}, {"RorRightBtn", "Nach rechts rotieren"}}},
        {"print window", &print, {}},
    };
    for (const Window& w : windows) {
        const std::map<std::string, QAbstractButton*> found = iconOnlyButtons(w.root);
        std::map<std::string, std::string> hints;
        for (const auto& [name, button] : found) {
            const std::string hint = button->toolTip().toStdString();
            hints[name] = hint;
            EXPECT_FALSE(hint.empty()) << w.what << ": " << name;
            EXPECT_EQ(button->accessibleName().toStdString(), hint) << w.what << ": " << name;
            EXPECT_EQ(accessibleText(button, QAccessible::Name), hint) << w.what << ": " << name;
        }
        // Every such button is known here, so a new one without a name cannot slip through
        // unseen, and the search itself is checked against the buttons it must find.
        EXPECT_EQ(hints, w.expected) << w.what;
    }
}

TEST_F(MainForm, TheViewsHaveNames) {
    const std::pair<QWidget*, const char*> views[] = {
        {form->PaintBox1, "Seitenansicht"},
        {form->PaintBox2, "Seitenübersicht"},
    };
    for (const auto& [view, name] : views) {
        EXPECT_EQ(accessibleText(view, QAccessible::Name), name)
            << view->objectName().toStdString();
    }
}

TEST_F(MainForm, TheSortingViewReportsTheSelectedPageAsThePagesAndTheSelectionChange) {
    form->PageControl1->setCurrentIndex(1); // the arrow keys move by the columns shown
    QApplication::processEvents();
    auto key = [&](int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(form->KeyEdit, &press);
    };
    auto clickCell = [&](int index) {
        const int columns = form->PaintBox2->width() / 90;
        form->PaintBox2MouseDown(index % columns * 90 + 45, index / columns * 110 + 50);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* expected;
    };
    const Step steps[] = {
        {"no pages", [] {}, "Keine Seiten"},
        {"one page", [&] { addPages({40}); }, "Seite 1 von 1"},
        {"twelve pages",
         [&] {
             addPages({41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51});
         },
         "Seite 1 von 12"},
        {"two steps right",
         [&] {
             key(Qt::Key_Right);
             key(Qt::Key_Right);
         },
         "Seite 3 von 12"},
        {"a click on the fifth cell", [&] { clickCell(4); }, "Seite 5 von 12"},
        {"a page deleted in front of the selection",
         [&] {
             form->PageEd->setValue(1);
             dialogs.answers.push_back(DialogAnswer::Yes);
             click("DelBtn");
         },
         "Seite 5 von 11"},
        {"the last page selected", [&] { clickCell(10); }, "Seite 11 von 11"},
        {"the selected last page deleted", [&] { click("DelFotoBtn"); },
         "Keine Seite ausgewählt, 10 Seiten"},
        {"a new document",
         [&] {
             dialogs.answers.push_back(DialogAnswer::Ok);
             click("NewBtn");
         },
         "Keine Seiten"},
        {"two pages, the second selected",
         [&] {
             addPages({60, 61});
             clickCell(1);
         },
         "Seite 2 von 2"},
        {"the selected second page deleted", [&] { click("DelFotoBtn"); },
         "Keine Seite ausgewählt, 1 Seite"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(form->PaintBox2->accessibleDescription().toStdString(), step.expected)
            << step.what;
        EXPECT_EQ(accessibleText(form->PaintBox2, QAccessible::Description), step.expected)
            << step.what;
    }
}

} // namespace
