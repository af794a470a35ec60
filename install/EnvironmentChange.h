#pragma once
// Tells running programs (Explorer above all) that the environment changed,
// so that what they start from now on sees the new search path.
void AnnounceEnvironmentChange();
