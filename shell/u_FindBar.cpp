#include "u_FindBar.h"

#include "u_CalcCharset.h"
#include "u_EditorAttrs.h"
#include "u_ResourceStrings.h"
#include "u_THPEdit2.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace {
// The search field's background when nothing matches.
const QColor NoMatchColour(255, 204, 204);
} // namespace

TFindBar::TFindBar(THPEdit2 *Editor, QWidget *Parent) : QWidget(Parent), FEditor(Editor)
{
    setObjectName(QStringLiteral("FindBar"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(2);

    auto *findLabel = new QLabel(ResString(TResId::sFindBarFindLabel), this);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    findLabel->setBuddy(FindEdit);
    NextButton = new QPushButton(ResString(TResId::sFindBarNext), this);
    NextButton->setObjectName(QStringLiteral("FindNext"));
    PreviousButton = new QPushButton(ResString(TResId::sFindBarPrevious), this);
    PreviousButton->setObjectName(QStringLiteral("FindPrevious"));
    MatchCase = new QCheckBox(ResString(TResId::sFindBarMatchCase), this);
    MatchCase->setObjectName(QStringLiteral("MatchCase"));
    WholeWords = new QCheckBox(ResString(TResId::sFindBarWholeWords), this);
    WholeWords->setObjectName(QStringLiteral("WholeWords"));
    CloseButton = new QToolButton(this);
    CloseButton->setObjectName(QStringLiteral("CloseFindBar"));
    CloseButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    CloseButton->setAutoRaise(true);
    CloseButton->setToolTip(ResString(TResId::sFindBarClose));
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    grid->addWidget(NextButton, 0, 2);
    grid->addWidget(PreviousButton, 0, 3);
    grid->addWidget(MatchCase, 0, 4);
    grid->addWidget(WholeWords, 0, 5);
    grid->addWidget(CloseButton, 0, 6);

    auto *replaceLabel = new QLabel(ResString(TResId::sFindBarReplaceLabel), this);
    ReplaceEdit = new QLineEdit(this);
    ReplaceEdit->setObjectName(QStringLiteral("ReplaceEdit"));
    replaceLabel->setBuddy(ReplaceEdit);
    ReplaceButton = new QPushButton(ResString(TResId::sFindBarReplace), this);
    ReplaceButton->setObjectName(QStringLiteral("ReplaceOne"));
    ReplaceAllButton = new QPushButton(ResString(TResId::sFindBarReplaceAll), this);
    ReplaceAllButton->setObjectName(QStringLiteral("ReplaceAll"));
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(ReplaceEdit, 1, 1);
    grid->addWidget(ReplaceButton, 1, 2);
    grid->addWidget(ReplaceAllButton, 1, 3);
    grid->setColumnStretch(1, 1);
    for (QWidget *w : std::initializer_list<QWidget *>{replaceLabel, ReplaceEdit, ReplaceButton, ReplaceAllButton})
        w->setProperty("replaceRow", true);

    for (QPushButton *b : {NextButton, PreviousButton, ReplaceButton, ReplaceAllButton})
        b->setAutoDefault(false);
    // Tab goes from the search text straight to its replacement, then through the buttons.
    QWidget *const tabOrder[] = {FindEdit,   ReplaceEdit,   NextButton,       PreviousButton, MatchCase,
                                 WholeWords, ReplaceButton, ReplaceAllButton, CloseButton};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    connect(NextButton, &QPushButton::clicked, this, [this] { FindNext(false); });
    connect(PreviousButton, &QPushButton::clicked, this, [this] { FindNext(true); });
    connect(ReplaceButton, &QPushButton::clicked, this, [this] { ReplaceOne(); });
    connect(ReplaceAllButton, &QPushButton::clicked, this, [this] { ReplaceAll(); });
    connect(CloseButton, &QToolButton::clicked, this, &TFindBar::Close);
    // A new search text starts without the no-match colour.
    connect(FindEdit, &QLineEdit::textEdited, this, [this] { FindEdit->setPalette(QPalette()); });
    FindEdit->installEventFilter(this);
    ReplaceEdit->installEventFilter(this);
    hide();
}

void TFindBar::Open(bool Replace)
{
    if (FEditor->Selected() && FEditor->SelStartLine() == FEditor->SelEndLine()
        && FEditor->SelEndCol() <= FEditor->LineLength(FEditor->SelStartLine())) {
        const QByteArrayView chars = FEditor->Line(FEditor->SelStartLine()).CharsView();
        const int from = FEditor->SelStartCol() - 1;
        FindEdit->setText(UnicodeFromCodes(chars.sliced(from, FEditor->SelEndCol() - from)));
    }
    for (QWidget *w : findChildren<QWidget *>())
        if (w->property("replaceRow").toBool())
            w->setVisible(Replace);
    FindEdit->setPalette(QPalette());
    show();
    FindEdit->setFocus(Qt::ShortcutFocusReason);
    FindEdit->selectAll();
}

void TFindBar::Close()
{
    hide();
    FEditor->setFocus(Qt::OtherFocusReason);
}

QByteArray TFindBar::Codes(const QString &Text) const
{
    int leftOut = 0;
    const QByteArray codes = CodesFromUnicode(Text, &leftOut);
    FEditor->NoteLeftOut(leftOut);
    return codes;
}

std::optional<QByteArray> TFindBar::ReplacementCodes()
{
    int leftOut = 0;
    const QByteArray codes = CodesFromUnicode(ReplaceEdit->text(), &leftOut);
    const TEditor kind = FEditor->Document()->Kind();
    const bool fits = leftOut == 0 && std::all_of(codes.begin(), codes.end(), [kind](char c) {
        return IsCharAllowed(uint8_t(c), kind) && uint8_t(c) != CharLineFeed;
    });
    QPalette palette;
    if (!fits) {
        // Dropping what the document cannot hold would quietly change the replacement, and one
        // made only of such characters would delete every match.
        palette.setColor(QPalette::Base, NoMatchColour);
        FEditor->Note(ResString(TResId::sReplacementNotHeld));
    }
    ReplaceEdit->setPalette(palette);
    return fits ? std::optional(codes) : std::nullopt;
}

void TFindBar::ClearNote()
{
    // The last search's "not found" or "continued from" must not stand beside the next match.
    FEditor->Note(QString());
}

void TFindBar::ShowFound(bool Found)
{
    QPalette palette;
    if (!Found)
        palette.setColor(QPalette::Base, NoMatchColour);
    FindEdit->setPalette(palette);
}

bool TFindBar::FindNext(bool Backward)
{
    ClearNote();
    const QByteArray pattern = Codes(FindEdit->text());
    if (pattern.isEmpty())
        return false;
    bool wrapped = false;
    const bool found = FEditor->FindNext(pattern, {MatchCase->isChecked(), WholeWords->isChecked()}, Backward, &wrapped);
    ShowFound(found);
    if (!found)
        FEditor->Note(ResString(TResId::sFindNotFound));
    else if (wrapped)
        FEditor->Note(ResString(Backward ? TResId::sFindWrappedToBottom : TResId::sFindWrappedToTop));
    return found;
}

bool TFindBar::ReplaceOne()
{
    ClearNote();
    const QByteArray pattern = Codes(FindEdit->text());
    if (pattern.isEmpty())
        return false;
    const std::optional<QByteArray> with = ReplacementCodes();
    if (!with)
        return false;
    bool wrapped = false;
    const bool found = FEditor->ReplaceNext(pattern, *with, {MatchCase->isChecked(), WholeWords->isChecked()}, &wrapped);
    ShowFound(found);
    if (!found)
        FEditor->Note(ResString(TResId::sFindNotFound));
    else if (wrapped)
        FEditor->Note(ResString(TResId::sFindWrappedToTop));
    return found;
}

int TFindBar::ReplaceAll()
{
    const QByteArray pattern = Codes(FindEdit->text());
    if (pattern.isEmpty())
        return 0;
    const std::optional<QByteArray> with = ReplacementCodes();
    if (!with)
        return 0;
    const int count = FEditor->ReplaceAll(pattern, *with, {MatchCase->isChecked(), WholeWords->isChecked()});
    ShowFound(count > 0);
    FEditor->Note(ResString(TResId::sReplacedCount).arg(count));
    return count;
}

bool TFindBar::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(Event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (Watched == ReplaceEdit && !shift)
                ReplaceOne();
            else
                FindNext(shift);
            return true;
        case Qt::Key_Escape:
            Close();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

// Escape from a button or box of the bar, say right after Replace All was clicked, closes it too.
void TFindBar::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_Escape)
        Close();
    else
        QWidget::keyPressEvent(Event);
}
