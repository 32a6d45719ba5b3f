// The dialog templates by resource id.
#pragma once

#include "DialogTemplate.h"

// The template with this id; nullptr when there is none.
const DialogTemplate* FindTemplateResource(int id);
