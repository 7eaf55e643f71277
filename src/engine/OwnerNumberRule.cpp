// The engine's sources arrive with the owner-number rule.
