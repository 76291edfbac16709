-- Positional: owner table, owner key, id of a stored file.
select lrg.v_file_owner_copy( :c_table , :n_key , :id_file )
