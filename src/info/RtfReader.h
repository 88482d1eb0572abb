// A reader for documents in rich text format: character and paragraph formats, colours and
// characters become HTML that a text view can show; whatever it does not know is skipped.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// True when the bytes begin as a rich-text document does ("{\rtf").
bool LooksLikeRtf(const QByteArray& bytes);

// The document as HTML. nullopt when it is not well-formed (groups that do not balance, text
// after the document's end, nesting deeper than any real document), so that the caller can
// show the file as plain text instead.
std::optional<QString> RtfToHtml(const QByteArray& rtf);
