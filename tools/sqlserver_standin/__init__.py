"""Helpers of tools/sqlserver-standin: the TDS wire format, T-SQL to SQLite, one client session."""
