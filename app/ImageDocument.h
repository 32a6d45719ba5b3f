// The image the window edits, and what goes with it: the option pages, the
// hex view and the jobs' callers read and write it here.
#pragma once

#include "Image.h"
#include "ImageFields.h"
#include "VQPatch.h"

#include <span>

class CImageDocument {
public:
    // The start image in a buffer of IMAGE_BUFFER_SIZE bytes: 5A A5, the
    // rest 0; a read asks for 0x30 bytes.
    CImageDocument();

    // The whole buffer, for a load that keeps what it does not write.
    std::span<const BYTE> Buffer() const { return {m_image.bytes.data(), m_image.bytes.size()}; }
    // For the field table.
    ImageView View() { return {m_image.bytes.data(), m_image.bytes.size(), m_image.length, m_image.codeLen, m_image.checksum}; }

    // A loaded image becomes the one edited: its bytes over the buffer's,
    // and its numbers.
    void TakeLoaded(const Image& loaded);
    // The end of a read that did not fail: what it found, and the bytes read
    // where it replaces the image.
    void TakeRead(const ReadFindings& found, const BYTE* bytesRead);

    Image m_image;
    DWORD m_readLen;
};

// The document of the window, and the names the code has always used for
// its parts.
extern CImageDocument g_doc;
extern BYTE* const g_image;   // IMAGE_BUFFER_SIZE bytes, starts 5A A5
extern DWORD& g_imageLen;     // valid bytes of g_image, starts 2
extern WORD& g_codeLen;       // code length of the image
extern WORD& g_checksum;      // code checksum of the image, as loaded, read back or edited
extern DWORD& g_readLen;      // bytes a read asks for, starts 0x30
