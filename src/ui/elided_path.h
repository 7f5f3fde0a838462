#pragma once

#include <QObject>
#include <QString>

class QLabel;

namespace velmora::ui {

// Shows `head` followed by `path` on `label`. Where the label is too narrow for both, the path
// loses its middle (the head is kept whole, and so are both ends of the path) and the label's
// hint holds the whole path. The label is fitted again whenever it is resized, until something
// else writes it; then its own hint comes back.
void showElidedPath(QLabel *label, const QString &head, const QString &path);

// What showElidedPath leaves on the label: it watches the label for as long as its text stands.
class ElidedPath : public QObject {
    Q_OBJECT
public:
    ElidedPath(QLabel *label, const QString &head, const QString &path);
    // Gives the label its own hint back and goes.
    void leave();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool fits() const;
    void fit();

    QLabel *m_label;
    QString m_head;
    QString m_path;
    QString m_shown;   // the text this put on the label
    QString m_ownHint; // the label's hint before
};

} // namespace velmora::ui
