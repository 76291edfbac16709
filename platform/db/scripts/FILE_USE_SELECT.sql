-- Every use of one file: owner table and key, the kind of owner and its name.
select u.c_table, u.n_key, u.c_description, u.c_name
  from lrg.file_use( :id ) u
