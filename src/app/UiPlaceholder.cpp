namespace nimbar { int uiPlaceholder = 0; }
