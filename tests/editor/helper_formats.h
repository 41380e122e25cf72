#pragma once
// What the file-format tests share: whole-file reads and writes, styled documents, and calculator
// objects packed by hand (independently of the program's own writers) for the readers to read.
#include "u_THPEdit2.h"

#include <QByteArray>
#include <QList>

QByteArray ReadWholeFile(const QString &Path);
void WriteWholeFile(const QString &Path, const QByteArray &Data);

// Replaces the document by Text, Attrs giving one attribute per byte of Text (line feeds included,
// whose attribute is ignored).
void SetStyled(THPEdit2 &Ed, const QByteArray &Text, const QByteArray &Attrs);
// The attributes of every line, lines joined by '\n' (whose own attribute is written as 0).
QByteArray Attrs(const THPEdit2 &Ed);

// 5-nibble numbers packed low nibble first into bytes, as calculator objects store them.
QByteArray Nibbles(const QList<int> &Numbers5);
// A complete TGV file: header, program and list prologs, the string of Body, Extra bytes (grobs),
// then the viewer call tail of the header's calculator.
QByteArray TgvFile(const QByteArray &Body, const QByteArray &Extra = QByteArray(), bool Hp49 = false);
// A grob object (prolog first) of Width × Height whose pixel (x, y) is set when Set(x, y).
QByteArray GrobObjectBytes(int Width, int Height, bool (*Set)(int, int));
