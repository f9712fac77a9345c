#pragma once

class QString;
class QWidget;

// Every message of the tool: the text, an OK button only and the caption "KLV-90". Modal.
void showMessage(QWidget *parent, const QString &text);
