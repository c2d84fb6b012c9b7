#pragma once
// Typing into the calibration page's number fields: the keys a number field
// lets through, and Enter, which brings the text to its decimals.

class QKeyEvent;
class QLineEdit;

// True when the key press is consumed: Enter rewrites the text with exactly
// `decimals` places; characters other than digits, " ", "+", ",", "-", "."
// and control keys are dropped.
bool NumberFieldKeyPress(QLineEdit &edit, const QKeyEvent &event, int decimals);
