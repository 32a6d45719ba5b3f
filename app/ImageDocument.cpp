#include "ImageDocument.h"

#include <algorithm>
#include <cstring>

CImageDocument::CImageDocument() : m_readLen(START_READ_LENGTH) {
    // The buffer's pages cost nothing until they are written.
    m_image.bytes.resize(IMAGE_BUFFER_SIZE);
}

void CImageDocument::TakeLoaded(const Image& loaded) {
    const std::size_t n = std::min(loaded.bytes.size(), IMAGE_BUFFER_SIZE);
    if (n != 0) std::memcpy(m_image.bytes.data(), loaded.bytes.data(), n);
    m_image.length = loaded.length;
    m_image.codeLen = loaded.codeLen;
    m_image.checksum = loaded.checksum;
}

void CImageDocument::TakeRead(const ReadFindings& found, const BYTE* bytesRead) {
    m_readLen = found.readLen;
    if (found.codeLen) m_image.codeLen = *found.codeLen;
    if (found.checksum) m_image.checksum = *found.checksum;
    const std::size_t n = std::min<std::size_t>(found.imageBytes, IMAGE_BUFFER_SIZE);
    if (n != 0) std::memcpy(m_image.bytes.data(), bytesRead, n);
}
