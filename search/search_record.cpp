#include "search/search_record.h"

SearchRecord search_record;
ThinkingRecord thinking_record;
