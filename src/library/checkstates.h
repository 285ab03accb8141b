#pragma once

#include <QList>

class MessageItem;

// The rules of the library's check boxes, apart from any list that shows them.
namespace CheckStates {

// 0 when `nodes` is empty or all are unchecked, 2 when all are checked, 1 otherwise; a partly
// checked node always makes 1.
int aggregate(const QList<MessageItem *> &nodes);
// The user set `node` to `state`: checked and unchecked pass down to every descendant, a partly
// checked state leaves them as they are.
void apply(MessageItem *node, int state);

} // namespace CheckStates
