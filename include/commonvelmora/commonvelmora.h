// Everything a client of the library includes: the Work object, the
// automation values and objects it speaks in, the published enumerations and
// the class identifiers.
#pragma once

#include <commonvelmora/class_registry.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/enums.h>
#include <commonvelmora/error.h>
#include <commonvelmora/export.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/keyed_collection.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/object.h>
#include <commonvelmora/picture.h>
#include <commonvelmora/property_bag.h>
#include <commonvelmora/reference_grid.h>
#include <commonvelmora/screenshot.h>
#include <commonvelmora/settings.h>
#include <commonvelmora/variant.h>
#include <commonvelmora/version.h>
#include <commonvelmora/work.h>
