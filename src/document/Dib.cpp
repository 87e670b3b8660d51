#include "document/Dib.h"

#include "document/DynaArray.h"
#include "document/JpegOriginals.h"
#include "document/PageStore.h"
#include "platform/GrafikRW3.h"

int32_t dibwidth(const dib& d) {
    return d.pmi != nullptr ? d.pmi->bmiHeader.biWidth : 0;
}
int32_t dibheight(const dib& d) {
    return d.pmi != nullptr ? d.pmi->bmiHeader.biHeight : 0;
}
int32_t dibbits(const dib& d) {
    return d.pmi != nullptr ? d.pmi->bmiHeader.biBitCount : 0;
}

int64_t dibcolors(const dib& d) {
    const int32_t bits = dibbits(d);
    return bits >= 0 && bits < 63 ? int64_t{1} << bits : 0;
}

void freedib(dib& d) {
    if (d.poi == nullptr) {
        return;
    }
    dropJpegOriginal(d);
    if (qly::PageStore::release(d)) {
        return; // a page that lived in a page file
    }
    deldib(d);
    d.pmi = nullptr;
    d.poih = 0;
    d.pmih = 0;
    d.poi = nullptr;
}

void releaseAllPages(TDynaArray& pages) {
    pages.First();
    while (pages.WhileNext()) {
        freedib(*static_cast<dib*>(pages.aobj));
    }
    pages.Clear();
}
