// Docking of child controls to their parent's edges: top and bottom controls
// stack from the edges inward, then left and right ones, and a client-aligned
// control takes what is left. The parent re-aligns whenever it is resized.
#pragma once

#include <QEvent>

class QWidget;

namespace kordalt {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

TAlign ControlAlign(const QWidget* control);
// Stores the alignment and re-aligns the parent's children.
void SetControlAlign(QWidget* control, TAlign align);
// Places the aligned children, then sends the parent an event of
// ChildrenAlignedEvent's type.
void AlignChildren(QWidget* parent);
QEvent::Type ChildrenAlignedEvent();

// While alignment of `parent` is suspended, AlignChildren does nothing; the last
// resume re-aligns.
void DisableAlign(QWidget* parent);
void EnableAlign(QWidget* parent);

}  // namespace kordalt
