// The bridge between formatted notes (TRtfDocument) and Qt's text documents:
// paragraphs become blocks (bullet paragraphs items of a disc list), runs
// become fragments with their character format. Only what the RTF model
// holds crosses; other formats a document may carry are dropped.
#pragma once

#include "rtf/rtf_document.h"

class QTextDocument;

namespace notarra {

// Replaces the document's content with rtf's; there is no undoing that.
void ShowRtfDocument(const TRtfDocument& rtf, QTextDocument& document);
// The document's content in the model.
TRtfDocument RtfDocumentOf(const QTextDocument& document);

}  // namespace notarra
