#include "support/dialogdriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <deque>

namespace ts::test {

struct DialogExpectation {
    QString name;
    std::function<void(QDialog&)> act;
    std::source_location where;
    enum { Pending, Opened, Failed } state = Pending;
};

namespace {

// How long a modal dialog may stay open with nobody to answer it.
constexpr int kStrayMs = 20000;

// Qt's own dialogs have no objectName and go by their class name.
QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

void failAt(const DialogExpectation& e, const QString& what) {
    ADD_FAILURE_AT(e.where.file_name(), static_cast<int>(e.where.line())) << what.toStdString();
}

void closeModal(QWidget* w) {
    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    else w->close();
}

bool holds(const std::vector<QPointer<QWidget>>& list, const QWidget* w) {
    return std::any_of(list.begin(), list.end(), [w](const QPointer<QWidget>& p) { return p == w; });
}

// Sees every modal dialog open, answers it from the expectations or rejects
// it, and closes one that stays open too long.
class Modals : public QObject {
public:
    static Modals& instance() {
        static Modals* modals = new Modals(qApp);
        return *modals;
    }

    int drivers = 0;

    void expect(std::shared_ptr<DialogExpectation> e) { m_levels.back().push_back(std::move(e)); }
    void forget(const std::shared_ptr<DialogExpectation>& e) {
        for (auto& level : m_levels) level.erase(std::remove(level.begin(), level.end(), e), level.end());
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if ((e->type() != QEvent::Show && e->type() != QEvent::Hide) || !o->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(o);
        if (!w->isWindow()) return false;
        if (e->type() == QEvent::Hide) {
            std::erase_if(m_answered, [w](const QPointer<QWidget>& p) { return !p || p == w; });
        } else if (w->isModal()) {
            // Answered once its own event loop runs.
            QTimer::singleShot(0, this, [this, p = QPointer<QWidget>(w)] { opened(p); });
        }
        return false;
    }

private:
    explicit Modals(QObject* parent) : QObject(parent) {
        qApp->installEventFilter(this);
        connect(&m_tick, &QTimer::timeout, this, [this] { watch(); });
        m_tick.start(100);
    }

    void opened(const QPointer<QWidget>& w) {
        if (!w || !w->isVisible() || !w->isModal() || holds(m_answered, w)) return;
        // Expected inside the answer that runs now, or else further out.
        std::deque<std::shared_ptr<DialogExpectation>>* queue = nullptr;
        for (auto level = m_levels.rbegin(); level != m_levels.rend() && !queue; ++level)
            if (!level->empty()) queue = &*level;
        if (!queue) {
            if (drivers == 0) return; // left to the watch
            ADD_FAILURE() << "unexpected modal dialog " << nameOf(w).toStdString() << ", rejected";
            m_answered.push_back(w);
            closeModal(w);
            return;
        }
        const std::shared_ptr<DialogExpectation> e = queue->front();
        auto* dlg = qobject_cast<QDialog*>(w.data());
        if (nameOf(w) != e->name || !dlg) {
            failAt(*e, QStringLiteral("expected dialog %1, but %2 opened and was rejected").arg(e->name, nameOf(w)));
            m_answered.push_back(w);
            closeModal(w);
            return;
        }
        queue->pop_front();
        e->state = DialogExpectation::Opened;
        m_answered.push_back(w);
        // Answered as a user would: once it is the window that takes the keys.
        if (!waitFor([&] { return !w || !w->isVisible() || w->isActiveWindow(); }))
            failAt(*e, QStringLiteral("dialog %1 opened but never became active").arg(e->name));
        if (!w || !w->isVisible()) {
            failAt(*e, QStringLiteral("dialog %1 closed before it was answered").arg(e->name));
            return;
        }
        m_answering.push_back(w);
        m_levels.emplace_back();
        e->act(*dlg);
        const auto inner = std::move(m_levels.back());
        m_levels.pop_back();
        m_answering.pop_back();
        for (const auto& n : inner) {
            n->state = DialogExpectation::Failed;
            failAt(*n, QStringLiteral("dialog %1 did not open while %2 was answered").arg(n->name, e->name));
        }
        // An answer cut short by a failed assertion leaves its dialog open.
        if (w && w->isVisible() && ::testing::Test::HasFatalFailure()) closeModal(w);
    }

    // Closes a modal dialog that stays open: answered but not closed, or
    // never answered at all.
    void watch() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || holds(m_answering, w)) {
            m_stuck = nullptr;
            return;
        }
        if (w != m_stuck) {
            m_stuck = w;
            m_stuckSince.start();
            return;
        }
        const bool answered = holds(m_answered, w);
        if (m_stuckSince.elapsed() < (answered ? kDeadlineMs : kStrayMs)) return;
        ADD_FAILURE() << "modal dialog " << nameOf(w).toStdString()
                      << (answered ? " still open after its answer" : " open with nobody to answer it")
                      << ", rejected";
        m_stuck = nullptr;
        closeModal(w);
    }

    // Expected dialogs: first those of the test, then those of each answer that runs.
    std::vector<std::deque<std::shared_ptr<DialogExpectation>>> m_levels{1};
    std::vector<QPointer<QWidget>> m_answering; // innermost last
    std::vector<QPointer<QWidget>> m_answered;  // still open
    QTimer m_tick;
    QPointer<QWidget> m_stuck;
    QElapsedTimer m_stuckSince;
};

} // namespace

DialogDriver::DialogDriver(int deadlineMs) : m_deadlineMs(deadlineMs) { ++Modals::instance().drivers; }

DialogDriver::~DialogDriver() {
    done();
    --Modals::instance().drivers;
}

DialogDriver& DialogDriver::add(const QString& objectName, std::function<void(QDialog&)> act,
                                std::source_location where) {
    auto e = std::make_shared<DialogExpectation>(DialogExpectation{objectName, std::move(act), where});
    m_expected.push_back(e);
    Modals::instance().expect(std::move(e));
    return *this;
}

void DialogDriver::done() {
    auto pending = [this] {
        return std::any_of(m_expected.begin(), m_expected.end(),
                           [](const auto& e) { return e->state == DialogExpectation::Pending; });
    };
    waitFor([&] { return !pending(); }, m_deadlineMs);
    for (const auto& e : m_expected) {
        if (e->state != DialogExpectation::Pending) continue;
        e->state = DialogExpectation::Failed;
        Modals::instance().forget(e);
        failAt(*e, QStringLiteral("dialog %1 never opened").arg(e->name));
    }
    m_expected.clear();
}

void installModalGuard() { Modals::instance(); }

void click(QWidget& dlg, const char* button) {
    if (auto* b = child<QAbstractButton>(dlg, button))
        b->click();
    else if (auto* d = qobject_cast<QDialog*>(&dlg))
        d->reject();
}

void set(QWidget& dlg, const char* field, const QString& text) {
    if (auto* e = child<QLineEdit>(dlg, field)) e->setText(text);
}

void expectEmptyFields(QWidget* dlg, std::initializer_list<std::pair<const char*, const char*>> fields) {
    for (const auto& [caption, name] : fields) {
        SCOPED_TRACE(name);
        QWidget* buddy = nullptr;
        for (QLabel* l : dlg->findChildren<QLabel*>())
            if (l->text() == QString::fromLatin1(caption)) buddy = l->buddy();
        auto* field = child<QLineEdit>(dlg, name);
        EXPECT_EQ(buddy, field);
        if (field) {
            EXPECT_EQ(field->text(), "");
        }
    }
}

} // namespace ts::test
