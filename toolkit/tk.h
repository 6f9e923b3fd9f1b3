#pragma once
// Our small retained-mode window toolkit (toolkit/README.md tells how it
// works): everything a form class needs, in one include.
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/image.h"
#include "toolkit/label.h"
#include "toolkit/panel.h"
