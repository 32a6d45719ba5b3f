// The seven option page classes. The pages' own controls and handlers come
// with each page; until then a page is an empty window.
#pragma once

#include "OptionPage.h"

class CPageOptionVQ7140S : public COptionPage {
public:
    using COptionPage::COptionPage;
};

class CPageOptionVQ7140XX : public COptionPage {
public:
    using COptionPage::COptionPage;
};

class CPageOptionVQ7170 : public COptionPage {
public:
    using COptionPage::COptionPage;
};

class CPageOptionVQ7170S : public COptionPage {
public:
    using COptionPage::COptionPage;
};

class CPageOptionVQ7340 : public COptionPage {
public:
    using COptionPage::COptionPage;
};

class CPageOptionVQ5632 : public COptionPage {
public:
    using COptionPage::COptionPage;
};

class CPageOptionVQ5520 : public COptionPage {
public:
    using COptionPage::COptionPage;
};
