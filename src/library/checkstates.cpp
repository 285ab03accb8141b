#include "checkstates.h"

#include "messageitem.h"

namespace CheckStates {

int aggregate(const QList<MessageItem *> &nodes)
{
    bool anyChecked = false;
    bool anyUnchecked = false;
    for (const MessageItem *node : nodes) {
        switch (node->checkState()) {
        case Qt::Checked:
            anyChecked = true;
            break;
        case Qt::Unchecked:
            anyUnchecked = true;
            break;
        default:
            return Qt::PartiallyChecked;
        }
    }
    if (anyChecked && anyUnchecked)
        return Qt::PartiallyChecked;
    return anyChecked ? Qt::Checked : Qt::Unchecked;
}

void apply(MessageItem *node, int state)
{
    node->setCheckState(state);
    if (state == Qt::Checked)
        node->checkAll();
    else if (state == Qt::Unchecked)
        node->uncheckAll();
}

} // namespace CheckStates
